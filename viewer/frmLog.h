#pragma once

#include <QMainWindow>
#include <QTextCursor>
#include <filesystem>

#include "viewer/LogDocument.h"

class QPlainTextEdit;
class QTimer;

namespace kestrove {

// The viewer's only window: the log's text in an editable box and a menu to save it back.
// Every rule about the text and the file lives in LogDocument.
class frmLog final : public QMainWindow {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmLog)

public:
    explicit frmLog(std::filesystem::path logFilePath, QWidget* parent = nullptr);

    const std::filesystem::path& LogFilePath() const { return document_.Path(); }

    // Saves the whole file's text, the part not yet in the box included.
    void MSave_Click();

    // True while a large log is still streaming into the box. The window is shown and usable
    // at once: the box takes one slice of lines per turn of the event loop, since filling it
    // is the box's own cost per line, seconds for a log of millions of lines.
    bool Loading() const { return loadedUpTo_ < pending_.size(); }

signals:
    // The last slice is in the box. For a log of one slice that is already in the constructor.
    void LoadFinished();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Form_Load();
    void Form_Resize();
    void LoadSlice();
    // The box's text with the line separators inside lines kept apart from line ends.
    std::string BoxText() const;

    LogDocument document_;
    QPlainTextEdit* txtLog_;
    // The file's bytes still to come are pending_ from loadedUpTo_ on, decoded slice by slice
    // so the window appears without waiting for the whole decode. They go in at loadEnd_,
    // which edits made meanwhile move along, so they always follow what is already there.
    std::string pending_;
    std::size_t loadedUpTo_ = 0;
    QTextCursor loadEnd_;
    QTimer* loadTimer_;
};

}  // namespace kestrove
