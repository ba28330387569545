#include "tools/widgets/screen_capture.h"
#include "sys/error_text.h"

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStandardPaths>

#include <cerrno>
#include <cmath>
#include <cstring>

#include "sys/atomicfile.h"
#include "tools/jpeg_writer.h"
#include "ui/file_dialogs.h"

namespace velmora::tools {

namespace {

constexpr const char* capture_caption = "屏幕截图";
constexpr const char* save_question = "所选区域已截取到剪贴板。是否将其保存为文件？";
constexpr const char* empty_area_message =
    "所选区域的宽度或高度为零，没有截取任何内容，剪贴板保持不变。";
constexpr const char* no_screen_message = "无法复制屏幕画面，截图未能开始。";

std::optional<std::string> encode(const QImage& picture, PictureFormat format, std::string& error) {
    if (format == PictureFormat::jpeg) {
        const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
        return encode_jpeg({rgb.constBits(), rgb.width(), rgb.height(),
                            static_cast<std::size_t>(rgb.bytesPerLine())},
                           capture_jpeg_quality, error);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP")) {
        error = "位图编码失败";
        return std::nullopt;
    }
    return bytes.toStdString();
}

// The primary screen as the user sees it, in device pixels. Only an area of
// the primary screen's size is copied, as with one monitor.
QImage grab_primary_screen() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return {};
    QImage picture = screen->grabWindow(0).toImage();
    picture.setDevicePixelRatio(1.0);
    return picture;
}

}  // namespace

bool save_picture(const QImage& picture, const std::string& path, PictureFormat format,
                  std::string& error) {
    const std::optional<std::string> bytes = encode(picture, format, error);
    if (!bytes) return false;
    // A picture the user keeps to pass on: written as the user's other
    // files are, never through a link or into a pipe.
    const sys::TargetWrite written = sys::write_to_target(path, *bytes);
    if (written.written) return true;
    error = written.refused ? sys::write_target_refusal(written.target) : sys::error_text(errno);
    return false;
}

TForm5::TForm5(QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName("Form5");
    setWindowTitle(QString::fromUtf8(capture_caption));
    setAttribute(Qt::WA_QuitOnClose, false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    setFocusPolicy(Qt::StrongFocus);
}

void TForm5::begin(const QImage& frozen) {
    frozen_ = frozen.convertToFormat(QImage::Format_RGB32);
    inverted_ = frozen_;
    inverted_.invertPixels();
    tracker_.begin();
    setGeometry(QGuiApplication::primaryScreen()->geometry());
    showFullScreen();
    raise();
    activateWindow();
    setFocus();
    update();
}

// The picture is drawn in its own pixels: on a scaled screen one picture
// pixel is one device pixel, exactly as it was copied.
void TForm5::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const qreal ratio = devicePixelRatioF();
    painter.scale(1.0 / ratio, 1.0 / ratio);
    painter.drawImage(0, 0, frozen_);
    for (const CaptureRect& strip :
         figure_strips(tracker_.figure(), frozen_.width(), frozen_.height())) {
        const QRect area(strip.left, strip.top, strip.width, strip.height);
        painter.drawImage(area, inverted_, area);
    }
}

CapturePoint TForm5::picture_point(const QMouseEvent* event) const {
    const QPointF at = event->position() * devicePixelRatioF();
    return {static_cast<int>(std::floor(at.x())), static_cast<int>(std::floor(at.y()))};
}

void TForm5::mouseMoveEvent(QMouseEvent* event) {
    tracker_.mouse_move(picture_point(event));
    update();
}

// Any button marks a corner.
void TForm5::mousePressEvent(QMouseEvent* event) {
    Image1MouseDown(picture_point(event));
}

// The second press of a double click arrives here instead of as a press. A
// right-button double click is the way out with the mouse alone.
void TForm5::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        emit cancelled();
        return;
    }
    Image1MouseDown(picture_point(event));
}

void TForm5::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        emit cancelled();
        return;
    }
    QWidget::keyPressEvent(event);
}

// A full-screen picture and its inverse are large; nothing needs them once
// the window is closed.
void TForm5::hideEvent(QHideEvent* event) {
    frozen_ = QImage();
    inverted_ = QImage();
    QWidget::hideEvent(event);
}

void TForm5::Image1MouseDown(CapturePoint at) {
    const std::optional<CaptureRect> area = tracker_.mouse_down(at);
    update();
    if (area) emit area_chosen(*area);
}

ScreenCapture::ScreenCapture(QWidget* owner, sys::Prompts& prompts)
    : owner_(owner),
      prompts_(prompts),
      screen_source_(grab_primary_screen),
      choose_file_([this](const SaveFilterMemory& memory) { return run_save_dialog(memory); }) {
    Timer1.setInterval(start_delay_ms);
    Timer1.setSingleShot(true);
    connect(&Timer1, &QTimer::timeout, this, &ScreenCapture::Timer1Timer);
}

// The window is made at the first capture, not with the main window.
TForm5* ScreenCapture::form() {
    if (form_) return form_;
    form_ = new TForm5(owner_);
    connect(form_, &TForm5::area_chosen, this, &ScreenCapture::finish);
    connect(form_, &TForm5::cancelled, form_, &QWidget::close);
    return form_;
}

ScreenCapture::~ScreenCapture() {
    delete form_;
}

void ScreenCapture::start() {
    if (form_ && form_->isVisible()) return;  // one capture at a time
    Timer1.start();
}

void ScreenCapture::Timer1Timer() {
    Timer1.stop();
    const QImage frozen = screen_source_();
    if (frozen.isNull()) {
        prompts_.inform(no_screen_message, capture_caption, sys::PromptIcon::error);
        return;
    }
    form()->begin(frozen);
}

void ScreenCapture::finish(CaptureRect area) {
    form_->repaint();  // the band is gone before any question covers the screen
    if (area.empty()) {
        prompts_.inform(empty_area_message, capture_caption);
    } else {
        const QImage result =
            form_->frozen().copy(QRect(area.left, area.top, area.width, area.height));
        QGuiApplication::clipboard()->setImage(result);
        // The picture is already on the clipboard: saving it too is an
        // offer, asked with the information icon.
        if (prompts_.ask_yes_no(save_question, capture_caption, false,
                                sys::PromptIcon::information)) {
            offer_save(result);
        }
    }
    form_->close();
}

void ScreenCapture::offer_save(const QImage& result) {
    const std::optional<SaveChoice> choice = choose_file_(memory_);
    if (!choice) return;
    last_folder_ = QFileInfo(QString::fromStdString(choice->path)).absolutePath();
    const PictureFormat format = memory_.choose(choice->filter_index);
    std::string error;
    if (save_picture(result, choice->path, format, error)) return;
    // The picture is still on the clipboard: nothing is lost.
    prompts_.inform("无法保存文件“" + choice->path + "”：" + error + "\n截取的图片仍在剪贴板中。",
                    capture_caption, sys::PromptIcon::error);
}

QString capture_save_folder(const QString& last_folder) {
    if (!last_folder.isEmpty() && QFileInfo(last_folder).isDir()) return last_folder;
    QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QFileInfo(pictures).isDir()) return pictures;
    return QDir::homePath();
}

std::optional<SaveChoice> ScreenCapture::run_save_dialog(const SaveFilterMemory& memory) {
    const QStringList filters{jpeg_filter_name, bitmap_filter_name};
    QFileDialog dialog(form_, QString::fromUtf8("保存截图"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDirectory(capture_save_folder(last_folder_));
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.at(memory.filter_index() - 1));
    // The remembered extension, then the one of whichever type is chosen.
    dialog.setDefaultSuffix(QString::fromUtf8(memory.default_extension() + 2));
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
        dialog.setDefaultSuffix(filter == filters.at(0) ? "jpg" : "bmp");
    });
    ui::write_dates_in_chinese(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const int index = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    return SaveChoice{dialog.selectedFiles().constFirst().toStdString(), index < 1 ? 1 : index};
}

}  // namespace velmora::tools
