#include "app/widgets/main_menu.h"

#include <QMenu>
#include <QToolButton>

namespace velmora::app {

MainMenu::MainMenu(QToolButton* button, MenuHandlers handlers)
    : QObject(button), button_(button), handlers_(std::move(handlers)) {
    connect(button_, &QToolButton::clicked, this, &MainMenu::popup);
}

QMenu& MainMenu::pm_menu() {
    if (menu_ == nullptr) build_menu();
    return *menu_;
}

void MainMenu::popup() {
    pm_menu().popup(button_->mapToGlobal(QPoint(0, button_->height())));
}

void MainMenu::build_menu() {
    menu_ = new QMenu(button_);
    menu_->setObjectName("pm_menu");
    N5 = add_item("N5", "选项设置", handlers_.N5Click);
    N2 = add_item("N2", "数据管理", handlers_.N2Click);
    N10 = add_item("N10", "导入放假安排…", handlers_.N10Click);
    menu_->addSeparator()->setObjectName("N1");
    N3 = add_item("N3", "访问软件主页", handlers_.N3Click);
    N4 = add_item("N4", "写信给作者", handlers_.N4Click);
    menu_->addSeparator()->setObjectName("N7");
    N8 = add_item("N8", "关于", handlers_.N8Click);
    menu_->addSeparator()->setObjectName("N6");
    N9 = add_item("N9", "关闭软件", handlers_.N9Click);
}

QAction* MainMenu::add_item(const char* name, const char* caption,
                            const std::function<void()>& handler) {
    QAction* item = menu_->addAction(QString::fromUtf8(caption));
    item->setObjectName(name);
    connect(item, &QAction::triggered, this, [handler] { handler(); });
    return item;
}

}  // namespace velmora::app
