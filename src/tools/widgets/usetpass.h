// The password dialog of the folder lock: the password twice when a folder
// is disguised, once (the confirmation hidden) when it is restored.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace velmora::sys {
class Prompts;
}

namespace velmora::tools {

class Tfrm_pass : public QDialog {
    Q_OBJECT

public:
    // `with_confirmation` false hides Edit2 and Label2.
    Tfrm_pass(sys::Prompts& prompts, bool with_confirmation, QWidget* owner = nullptr);

    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* btn_ok = nullptr;
    QPushButton* btn_cancel = nullptr;
    bool confirmed = false;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ok_clicked();
    void edit1_return();
    void edit2_return();

    sys::Prompts& prompts_;
};

}  // namespace velmora::tools
