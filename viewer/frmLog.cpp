#include "viewer/frmLog.h"

#include <QFile>
#include <QIcon>
#include <QKeySequence>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QTimer>

#include "common/Utf8Path.h"
#include "common/ui/JapaneseFont.h"
#include "common/ui/WindowFrame.h"
#include "common/ui/MessageBox.h"
#include "common/ui/ResourceIcon.h"
#include "common/ui/ScreenFit.h"
#include "common/ui/Twips.h"
#include "viewer/ViewerTexts.h"

// Resources of a static library must be registered by name, outside any namespace.
static void InitViewerResources() {
    Q_INIT_RESOURCE(viewer);
}

namespace kestrove {
namespace {

constexpr int kClientWidthTwips = 10035;
constexpr int kClientHeightTwips = 7725;
constexpr int kBoxWidthTwips = 9975;
constexpr int kBoxHeightTwips = 7455;
// What the window's border, title and menu take from the box's share of the outer size.
constexpr int kBoxWidthMarginTwips = 185;
constexpr int kBoxHeightMarginTwips = 840;
// File bytes the box takes per turn of the event loop: about 10,000 lines, some tens of
// milliseconds, so the window keeps answering while a large log streams in.
constexpr std::size_t kSliceBytes = std::size_t{1} << 20;

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QString PathText(const std::filesystem::path& path) {
    return QString::fromStdString(PathToUtf8(path));
}

}  // namespace

frmLog::frmLog(std::filesystem::path logFilePath, QWidget* parent)
    : QMainWindow(parent), document_(std::move(logFilePath)) {
    setObjectName("frmLog");
    ScreenFit::Keep(this);
    setWindowTitle(Text(viewertexts::kfrmLog));
    InitViewerResources();
    setWindowIcon(ResourceIcon(":/quillpane/quillpane"));

    QMenu* mFile = menuBar()->addMenu(Text(viewertexts::kMFIle));
    mFile->setObjectName("MFIle");
    QAction* mSave = mFile->addAction(Text(viewertexts::kMSave));
    mSave->setObjectName("MSave");
    mSave->setShortcut(QKeySequence::Save);
    connect(mSave, &QAction::triggered, this, &frmLog::MSave_Click);

    // The box keeps its own place and size (the resize rule), so no layout manages it.
    auto* client = new QWidget(this);
    setCentralWidget(client);
    txtLog_ = new QPlainTextEdit(client);
    txtLog_->setObjectName("txtLog");
    txtLog_->setFont(JapaneseMonospaceFont());
    txtLog_->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtLog_->setGeometry(Twips::Rect(0, 0, kBoxWidthTwips, kBoxHeightTwips, this));

    QSize clientSize = Twips::Size(kClientWidthTwips, kClientHeightTwips, this);
    resize(clientSize.width(), clientSize.height() + menuBar()->sizeHint().height());

    loadTimer_ = new QTimer(this);
    loadTimer_->setInterval(0);
    connect(loadTimer_, &QTimer::timeout, this, &frmLog::LoadSlice);
    Form_Load();
}

void frmLog::Form_Load() {
    pending_ = document_.LoadBytes();
    QTextDocument* box = txtLog_->document();
    // The slices are no edits of the user's, nothing Ctrl+Z may take back.
    box->setUndoRedoEnabled(false);
    loadEnd_ = QTextCursor(box);
    // A log of up to one slice is in the box before the window appears.
    LoadSlice();
    txtLog_->moveCursor(QTextCursor::Start);
    if (Loading()) {
        loadTimer_->start();
    }
    if (document_.LastLoad() == LogDocument::LoadResult::TooLarge) {
        MessageBox::Warning(this, Text(viewertexts::kProgram),
                            Text(viewertexts::kTooLarge)
                                .arg(PathText(LogFilePath()))
                                .arg(LogDocument::kMaxFileBytes >> 20));
    }
}

void frmLog::LoadSlice() {
    std::size_t end = logtext::SliceEnd(pending_, loadedUpTo_, kSliceBytes);
    if (end > loadedUpTo_) {
        QString text = QString::fromStdString(logtext::BoxTextFromFile(
            std::string_view(pending_).substr(loadedUpTo_, end - loadedUpTo_)));
        if (end < pending_.size()) {
            text += QLatin1Char('\n');  // the slice's last line end, which starts the next
        }
        loadEnd_.insertText(text);
    }
    loadedUpTo_ = end;
    if (Loading()) {
        return;
    }
    loadTimer_->stop();
    std::string().swap(pending_);
    loadedUpTo_ = 0;
    txtLog_->document()->setUndoRedoEnabled(true);
    emit LoadFinished();
}

void frmLog::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmLog::Form_Resize() {
    QMargins frame = WindowFrame(this);
    QSize outer = size().grownBy(frame);
    int width = Twips::FromPixels(outer.width(), this) - kBoxWidthMarginTwips;
    int height = Twips::FromPixels(outer.height(), this) - kBoxHeightMarginTwips;
    // A minimized window, or one too small for any box, leaves the box as it is.
    if (isMinimized() || width <= 0 || height <= 0) {
        return;
    }
    txtLog_->resize(Twips::Size(width, height, this));
}

std::string frmLog::BoxText() const {
    // toPlainText() would turn a line separator into a line end; the raw text keeps them apart.
    QString raw = txtLog_->document()->toRawText();
    raw.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    // What has not reached the box yet would follow what is there now.
    return raw.toStdString() +
           logtext::BoxTextFromFile(std::string_view(pending_).substr(loadedUpTo_));
}

void frmLog::MSave_Click() {
    if (document_.ChangedOnDisk() &&
        MessageBox::Question(this, Text(viewertexts::kProgram),
                             Text(viewertexts::kChangedOnDisk).arg(PathText(LogFilePath()))) !=
            QMessageBox::Ok) {
        return;
    }
    switch (document_.Save(BoxText())) {
        case LogDocument::SaveResult::Saved:
            break;
        case LogDocument::SaveResult::NoPath:
            MessageBox::Warning(this, Text(viewertexts::kProgram), Text(viewertexts::kNoPath));
            break;
        case LogDocument::SaveResult::Failed:
            MessageBox::Warning(this, Text(viewertexts::kProgram),
                                Text(viewertexts::kSaveFailed).arg(PathText(LogFilePath())));
            break;
    }
}

}  // namespace kestrove
