// The tools page of the main window: nine small tools in a list, each
// opened by a double click on its caption.
#pragma once

#include <QObject>

#include <functional>

class QListWidget;
class QWidget;

namespace velmora::tools {

class ToolsPanel : public QObject {
    Q_OBJECT

public:
    // What each entry opens; the window supplies them.
    struct Links {
        std::function<void(int page)> options;  // the options dialog at a page
        std::function<void()> anniversaries;
        std::function<void()> capture;
        std::function<void()> folder_lock;
        std::function<void()> dictionary;
        std::function<void()> search;
        std::function<void()> holiday_import;
    };

    ToolsPanel(QWidget* page, Links links);

    QListWidget* ListView_tool = nullptr;

    // Clears the list and adds the nine entries with their icons.
    void fill();
    // Runs the tool of every entry whose caption is the selected one's.
    void ListView_toolDblClick();

private:
    Links links_;
};

}  // namespace velmora::tools
