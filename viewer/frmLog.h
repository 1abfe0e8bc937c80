#pragma once

#include <QMainWindow>
#include <filesystem>

#include "viewer/LogDocument.h"

class QPlainTextEdit;

namespace kestrove {

// The viewer's only window: the log's text in an editable box and a menu to save it back.
// Every rule about the text and the file lives in LogDocument.
class frmLog final : public QMainWindow {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmLog)

public:
    explicit frmLog(std::filesystem::path logFilePath, QWidget* parent = nullptr);

    const std::filesystem::path& LogFilePath() const { return document_.Path(); }

    void MSave_Click();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Form_Load();
    void Form_Resize();
    // The box's text with the line separators inside lines kept apart from line ends.
    std::string BoxText() const;

    LogDocument document_;
    QPlainTextEdit* txtLog_;
};

}  // namespace kestrove
