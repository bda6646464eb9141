#pragma once
// The user-interface kit's dialogs on Qt: the progress dialog (a caption, one information line, a busy
// animation that turns into a bar once a step knows its size, no way to cancel) and the message box,
// which can carry a second line under its text.

#include "common/Ui.h"

#include <QDialog>
#include <QMessageBox>
#include <QPointer>

#include <memory>
#include <string_view>

class QLabel;
class QProgressBar;

namespace qz {

// The dialog refuses to be closed by the operator: it goes when the work that opened it ends.
class TProgressWindow final : public QDialog {
public:
    TProgressWindow(QWidget* parent, const QString& caption);
    void SetInfo(const QString& text);
    void SetProgress(std::int64_t done, std::int64_t total);
    QString Info() const;
    const QProgressBar& Bar() const { return *bar_; }

    void reject() override {}

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* info_;
    QProgressBar* bar_;
};

class TQtProgressDialog final : public TProgressDialog {
public:
    TQtProgressDialog(QWidget* parent, std::string_view caption);
    ~TQtProgressDialog() override;
    void SetInfo(std::string_view text) override;
    void SetProgress(std::int64_t done, std::int64_t total) override;
    TProgressWindow* Window() const { return window_; }

private:
    QPointer<TProgressWindow> window_;  // the parent window may free it first
};

// The message box of the given kind with its text and, when given, a second line; OK only, Yes/No for a
// confirmation.
std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, TMessageKind kind, std::string_view text,
                                            std::string_view secondLine = {});
// Shows it modally and tells whether the operator answered OK or Yes.
bool ShowMessageBox(QWidget* parent, TMessageKind kind, std::string_view text, std::string_view secondLine = {});

QString FromUtf8(std::string_view text);

}  // namespace qz
