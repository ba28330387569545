// The bookmark edit dialog: a title and an address, both required. A title
// the container cannot store is refused while the dialog is open, so what
// was typed stays on screen.
#pragma once

#include <QDialog>

#include <functional>
#include <optional>
#include <string>

#include "bookmarks/bookmark_store.h"
#include "sys/prompts.h"

class QPlainTextEdit;
class QPushButton;

namespace velmora::bookmarks {

// Why a title cannot be stored where it is going; nothing when it can.
using TitleCheck = std::function<std::optional<std::string>(const std::string& title)>;

class Tfrm_url : public QDialog {
    Q_OBJECT

public:
    Tfrm_url(QWidget* owner, const Bookmark& bookmark, sys::Prompts& prompts, TitleCheck check);

    QPlainTextEdit* Memo_title = nullptr;
    QPlainTextEdit* Memo_url = nullptr;
    QPushButton* Button1 = nullptr;  // 确定(&S)
    QPushButton* Button2 = nullptr;  // 取消

    // The trimmed title and address after OK.
    const Bookmark& bookmark() const { return bookmark_; }

private:
    void Button1Click();

    sys::Prompts& prompts_;
    TitleCheck check_;
    Bookmark bookmark_;
};

inline constexpr const char* empty_title = "书签名称不能为空！";
inline constexpr const char* empty_address = "网址不能为空！";

// Shows the dialog; the edited bookmark after OK, nothing after cancel or
// the title bar's close button.
std::optional<Bookmark> edit_bookmark(QWidget* owner, const Bookmark& bookmark,
                                      sys::Prompts& prompts, TitleCheck check);

}  // namespace velmora::bookmarks
