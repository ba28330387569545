// The main window's menu and options: the handlers of the strip button's
// menu, the options dialog and what its OK sets off. Each forwards to the
// dialog or action that does the work.
#include <array>
#include <cerrno>
#include <system_error>

#include "app/options.h"
#include "app/session_platform.h"
#include "app/widgets/DateWin.h"
#include "app/widgets/ufrm_about.h"
#include "app/widgets/ufrm_option.h"
#include "store/widgets/datamgmt_loader.h"
#include "sys/error_text.h"
#include "sys/program_layout.h"
#include "sys/sysutil.h"

namespace velmora::app {

void TFRM_Date::option_show(int page) {
    const OptionValues values = option_values(local_, page, context_.clock->now());
    app::option_show(
        this, page, values, *context_.prompts,
        {[this](int opacity) { setWindowOpacity(opacity / 255.0); },
         [this, page](const OptionValues& chosen) { return confirm_options(chosen, page); },
         [this] { return hotkeys_.note(); },
         [this] { return workdays_note(holidays_.in_force(), context_.clock->now().year); },
         [this] { return placement_.refused() ? std::string(placement_note) : std::string(); }});
}

// The settings are in memory and in effect before they are written; a file
// that cannot be written keeps the dialog open with them.
bool TFRM_Date::confirm_options(const OptionValues& values, int page) {
    const auto codes = [this] {
        return std::array{local_.hotkey_hidewindows, local_.hotkey_closewindows,
                          local_.hotkey_hidelink, local_.hotkey_hidetask};
    };
    const auto codes_before = codes();
    store_options(local_, values, page, context_.clock->now());
    reminders_.apply_options();
    // A key mended in the dialog is registered anew; switches need nothing.
    if (codes() != codes_before) hotkeys_.reghotkey();
    if (!save_local_settings(context_.paths.local_settings(), local_, place_to_save())) {
        context_.prompts->inform(unable_to_write(context_.paths.local_settings(), errno), {},
                                 sys::PromptIcon::error);
        return false;
    }
    return regautoandlink();
}

void TFRM_Date::N3Click() {
    update::open_published_address(*context_.platform, *context_.prompts,
                                   remote_.addresses.home_page, true);
}

void TFRM_Date::N4Click() {
    update::open_published_address(*context_.platform, *context_.prompts,
                                   remote_.addresses.author_mail, true);
}

void TFRM_Date::about_show() {
    app::about_show({app_version, remote_.addresses.home_page, remote_.addresses.author_mail},
                    [this](const std::string& address) {
                        update::open_published_address(*context_.platform, *context_.prompts,
                                                       address, true);
                    });
}

void TFRM_Date::N2Click() {
    store::data_management(this, {context_.paths.data_file(), context_.paths.program_dir},
                           *context_.prompts, *context_.clock);
}

void TFRM_Date::N10Click() {
    holiday_import_.run(this);
}

bool TFRM_Date::regautoandlink() {
#ifndef _WIN32
    const std::string refused = desktop_entries_refusal(local_, sys::program_layout().program_dir);
    if (!refused.empty()) {
        context_.prompts->inform(refused, {}, sys::PromptIcon::error);
        return true;  // the settings are saved; only the entries are not made
    }
#endif
    const std::string helper = context_.paths.parts_dir() + vrx_reg_program;
    try {
        sys::run_elevated(*context_.platform, 0, helper, "", sys::os_version_name());
    } catch (const std::system_error& failure) {
        context_.prompts->inform("无法启动" + helper + "：" +
                                     sys::error_text(failure.code().value()) +
                                     "。设置已经保存；开机启动和桌面快捷方式没有改变。",
                                 {}, sys::PromptIcon::error);
        return false;
    }
    return true;
}

}  // namespace velmora::app
