// The about dialog: the program's name, version, maker, site and mail. It
// is built afresh at every opening, so it always shows the current values.
#pragma once

#include <QDialog>

#include <functional>
#include <string>

class QLabel;
class QPushButton;

namespace velmora::app {

// The site and mail shown without their scheme ("https://", "mailto:"),
// whatever its length; a value without one is shown whole.
std::string address_without_scheme(const std::string& address);

struct AboutValues {
    std::string version;
    std::string home_page;
    std::string author_mail;
};

class Tfrm_about : public QDialog {
    Q_OBJECT

public:
    // `open` opens a whole address (the site or the mail) for the user.
    Tfrm_about(const AboutValues& values, std::function<void(const std::string&)> open);

    QLabel* Label4 = nullptr;
    QLabel* Label_ver = nullptr;
    QLabel* Label_aut = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label_url = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label_email = nullptr;
    QPushButton* Button1 = nullptr;

    void Label_urlClick() { open_(values_.home_page); }
    void Label_emailClick() { open_(values_.author_mail); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* add_label(const char* name, int x, int y, const std::string& text);
    void add_rule(int x, int y);
    void build_title();

    AboutValues values_;
    std::function<void(const std::string&)> open_;
};

// Builds, shows modally and frees one about dialog. It has no owner: it
// stands on its own in the middle of the screen.
void about_show(const AboutValues& values, const std::function<void(const std::string&)>& open);

}  // namespace velmora::app
