// The global hotkeys through the desktop portal's GlobalShortcuts interface
// (org.freedesktop.portal.GlobalShortcuts, offered by KDE Plasma and by
// GNOME from 48 on). In a Wayland session an X11 key grab sees keys only
// while an X11 window has the focus; the portal asks the compositor, which
// sees them all. Everything but the keys (hiding, closing and listing
// windows, the icons and the taskbar) stays with the desktop it wraps.
#pragma once

#include <QDBusObjectPath>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <map>
#include <memory>

#include "app/hotkeys.h"

namespace velmora::app {

class PortalShortcuts : public QObject, public DesktopWindows {
    Q_OBJECT

public:
    // Whether the session bus has a portal offering GlobalShortcuts; asks
    // once, waiting at most a second.
    static bool offered();

    // A portal that has not answered a request within `answer_limit` is
    // taken for one that never will.
    PortalShortcuts(std::unique_ptr<DesktopWindows> others, std::function<void(int id)> on_hotkey,
                    std::chrono::milliseconds answer_limit = std::chrono::seconds(10));
    ~PortalShortcuts() override;

    bool available() const override { return true; }
    // Remembered and bound together once the event loop runs: the portal
    // binds a session's shortcuts in one request.
    bool grab(int id, const HotkeyCombination& combination) override;
    void ungrab(int id) override;
    std::vector<WindowId> ordinary_windows() override { return others_->ordinary_windows(); }
    bool exists(WindowId window) override { return others_->exists(window); }
    void hide(WindowId window) override { others_->hide(window); }
    void show(WindowId window) override { others_->show(window); }
    void close(WindowId window) override { others_->close(window); }
    void hide_area(DesktopArea area) override { others_->hide_area(area); }
    void show_area(DesktopArea area) override { others_->show_area(area); }

private slots:
    void sessionCreated(uint response, const QVariantMap& results);
    void shortcutsBound(uint response, const QVariantMap& results);
    void shortcutActivated(const QDBusObjectPath& session, const QString& id, qulonglong timestamp,
                           const QVariantMap& options);

private:
    void bind_later();
    void bind();
    void create_session();
    bool await_response(const QString& token, const char* slot);
    void fall_back(const QString& why);

    std::unique_ptr<DesktopWindows> others_;
    std::function<void(int id)> on_hotkey_;
    std::map<int, HotkeyCombination> wanted_;
    QString session_;
    QTimer bind_timer_;
    QTimer answer_timer_;  // a portal that never answers
    bool fell_back_ = false;
    int token_count_ = 0;
};

}  // namespace velmora::app
