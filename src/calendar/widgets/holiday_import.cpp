#include "calendar/widgets/holiday_import.h"

#include "ui/file_dialogs.h"

namespace velmora::calendar {

namespace {

constexpr const char* caption = "导入放假安排";

std::string ask_for_file(QWidget* parent) {
    return ui::choose_file_to_open(parent, QString::fromUtf8(caption),
                                   QString::fromUtf8("放假安排 (*.json *.ics *.txt);;所有文件 (*)"))
        .toStdString();
}

}  // namespace

HolidayImport::HolidayImport(HolidayKeeper& keeper, sys::Prompts& prompts, Links links)
    : keeper_(keeper), prompts_(prompts), links_(std::move(links)), choose_file_(ask_for_file) {}

void HolidayImport::run(QWidget* parent) {
    const std::string path = choose_file_(parent);
    if (path.empty()) return;
    const HolidayKeeper::Imported result = keeper_.import_file(path, links_.today());
    prompts_.inform(result.message, caption,
                    result.stored ? sys::PromptIcon::information : sys::PromptIcon::error);
    if (result.stored && links_.imported) links_.imported();
}

}  // namespace velmora::calendar
