// The bookmark page's long work with the window kept alive: an import run
// slice by slice from the event loop, and the browsers' session files read
// on a thread of their own. Past half a second a dialog says what goes on,
// and 取消 stops it; the close sequence can run between any two slices.
#pragma once

#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>
#include <vector>

#include "bookmarks/bookmark_html.h"
#include "bookmarks/bookmark_import.h"
#include "bookmarks/bookmark_store.h"

class QProgressDialog;
class QWidget;

namespace velmora::bookmarks {

// How long work may go on unseen before its dialog comes up.
inline constexpr int progress_shown_after_ms = 500;

class ImportProgress : public QObject {
    Q_OBJECT

public:
    using Finished = std::function<void(const ImportReport&)>;
    // Starts at once; `finished` gets the report when the import ended or
    // was cancelled, and the object deletes itself afterwards.
    ImportProgress(QWidget* owner, int folder_index, std::vector<BookmarkNode> top,
                   Finished finished);
    ~ImportProgress() override;
    // The program is closing: no further slice and nothing told. What the
    // slices before stored stays.
    void stop();

private:
    void run_slice();
    void finish();

    ImportRun run_;
    QProgressDialog* dialog_;
    QTimer slices_;
    Finished finished_;
};

// Runs `read` on a thread of its own while the event loop goes on. Nothing
// when the user cancelled, or when `stopped` turned true meanwhile (the
// program began to close).
std::optional<std::vector<Bookmark>> read_off_thread(
    QWidget* owner, const std::function<std::vector<Bookmark>()>& read,
    const std::function<bool()>& stopped);

inline constexpr const char* importing_caption = "正在导入书签……";
inline constexpr const char* reading_pages_caption = "正在读取浏览器中打开的网页……";

}  // namespace velmora::bookmarks
