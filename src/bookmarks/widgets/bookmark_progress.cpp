#include "bookmarks/widgets/bookmark_progress.h"

#include <QEventLoop>
#include <QProgressDialog>

#include <chrono>
#include <future>
#include <thread>
#include <utility>

namespace velmora::bookmarks {

namespace {

// Long enough that a slice's commit costs little, short enough that the
// window answers at once.
constexpr std::chrono::milliseconds slice_time{40};
constexpr int poll_interval_ms = 10;

// Not modal: a modal progress dialog runs the event loop inside every
// setValue(), and the close sequence could then run in the middle of a
// slice. The page keeps its tree disabled instead while the work goes on.
QProgressDialog* progress_dialog(QWidget* owner, const char* caption, int maximum) {
    auto* dialog = new QProgressDialog(QString::fromUtf8(caption), "取消", 0, maximum, owner,
                                       Qt::Dialog | Qt::WindowStaysOnTopHint);
    dialog->setWindowTitle("网址书签");
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    dialog->setMinimumDuration(progress_shown_after_ms);
    dialog->setValue(0);
    return dialog;
}

int clamped(std::size_t count) {
    constexpr std::size_t most = 1U << 30;
    return static_cast<int>(std::min(count, most));
}

}  // namespace

ImportProgress::ImportProgress(QWidget* owner, int folder_index, std::vector<BookmarkNode> top,
                               Finished finished)
    : QObject(owner), run_(folder_index, std::move(top)), finished_(std::move(finished)) {
    dialog_ = progress_dialog(owner, importing_caption, clamped(run_.total()));
    connect(dialog_, &QProgressDialog::canceled, this, [this] {
        run_.cancel();
        finish();
    });
    slices_.setSingleShot(true);
    connect(&slices_, &QTimer::timeout, this, &ImportProgress::run_slice);
    slices_.start(0);
}

ImportProgress::~ImportProgress() {
    delete dialog_;
}

void ImportProgress::stop() {
    slices_.stop();
    finished_ = nullptr;
    deleteLater();
}

void ImportProgress::run_slice() {
    const bool more = run_.run_slice(slice_time);
    dialog_->setValue(clamped(run_.done()));
    if (more) {
        slices_.start(0);
    } else {
        finish();
    }
}

void ImportProgress::finish() {
    slices_.stop();
    dialog_->hide();
    if (finished_) std::exchange(finished_, nullptr)(run_.report());
    deleteLater();
}

std::optional<std::vector<Bookmark>> read_off_thread(
    QWidget* owner, const std::function<std::vector<Bookmark>()>& read,
    const std::function<bool()>& stopped) {
    std::packaged_task<std::vector<Bookmark>()> task(read);
    std::future<std::vector<Bookmark>> result = task.get_future();
    std::thread worker(std::move(task));
    QProgressDialog* dialog = progress_dialog(owner, reading_pages_caption, 0);
    QEventLoop loop;
    bool cancelled = false;
    QObject::connect(dialog, &QProgressDialog::canceled, &loop, [&] {
        cancelled = true;
        loop.quit();
    });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (stopped() || result.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
            loop.quit();
        }
    });
    poll.start(poll_interval_ms);
    loop.exec();
    delete dialog;
    // Every read is bounded (sizes, pages, time), so the wait after a cancel
    // or at the close is short.
    worker.join();
    if (cancelled || stopped()) return std::nullopt;
    return result.get();
}

}  // namespace velmora::bookmarks
