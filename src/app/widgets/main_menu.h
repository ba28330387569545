// The menu of the button at the left end of the bottom strip: options, data
// management, the holiday import, the home page, mail to the maker, about, and closing the
// program. The menu is made the first time the button is pressed.
#pragma once

#include <QObject>

#include <functional>

class QAction;
class QMenu;
class QToolButton;

namespace velmora::app {

struct MenuHandlers {
    std::function<void()> N5Click;   // 选项设置
    std::function<void()> N2Click;   // 数据管理
    std::function<void()> N10Click;  // 导入放假安排…
    std::function<void()> N3Click;   // 访问软件主页
    std::function<void()> N4Click;   // 写信给作者
    std::function<void()> N8Click;   // 关于
    std::function<void()> N9Click;   // 关闭软件
};

class MainMenu : public QObject {
    Q_OBJECT

public:
    MainMenu(QToolButton* button, MenuHandlers handlers);

    // Made at the first call.
    QMenu& pm_menu();
    // Shows the menu below the button (above it where the screen ends).
    void popup();

    QAction* N5 = nullptr;
    QAction* N2 = nullptr;
    QAction* N10 = nullptr;
    QAction* N3 = nullptr;
    QAction* N4 = nullptr;
    QAction* N8 = nullptr;
    QAction* N9 = nullptr;

private:
    void build_menu();
    QAction* add_item(const char* name, const char* caption, const std::function<void()>& handler);

    QToolButton* button_;
    MenuHandlers handlers_;
    QMenu* menu_ = nullptr;
};

}  // namespace velmora::app
