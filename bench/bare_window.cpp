// The reference for start-up figures: the least a Qt program of the same
// size shows, a 330 x 560 window named "Velmora" with one Chinese label.
#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Velmora");
    window.setFixedSize(330, 560);
    auto* column = new QVBoxLayout(&window);
    column->addWidget(new QLabel(QString::fromUtf8("计划任务"), &window));
    window.show();
    return app.exec();
}
