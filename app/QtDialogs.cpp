#include "app/QtDialogs.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <limits>

namespace qz {
namespace {

struct TMessageLook {
    TMessageKind Kind;
    QMessageBox::Icon Icon;
    QMessageBox::StandardButtons Buttons;
};

constexpr std::array kMessageLooks{
    TMessageLook{TMessageKind::Information, QMessageBox::Information, QMessageBox::Ok},
    TMessageLook{TMessageKind::Warning, QMessageBox::Warning, QMessageBox::Ok},
    TMessageLook{TMessageKind::Error, QMessageBox::Critical, QMessageBox::Ok},
    TMessageLook{TMessageKind::Confirmation, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No},
};

const TMessageLook& LookOf(TMessageKind kind)
{
    for (const TMessageLook& look : kMessageLooks)
        if (look.Kind == kind)
            return look;
    return kMessageLooks[2];
}

}  // namespace

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

TProgressWindow::TProgressWindow(QWidget* parent, const QString& caption)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      info_(new QLabel(this)),
      bar_(new QProgressBar(this))
{
    setWindowTitle(caption);
    setModal(true);
    bar_->setRange(0, 0);  // busy animation until a step tells its size
    bar_->setTextVisible(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(bar_);
    layout->addWidget(info_);
    setMinimumWidth(360);
}

void TProgressWindow::SetInfo(const QString& text)
{
    info_->setText(text);
}

QString TProgressWindow::Info() const
{
    return info_->text();
}

void TProgressWindow::SetProgress(std::int64_t done, std::int64_t total)
{
    if (total <= 0) {
        bar_->setRange(0, 0);
        return;
    }
    // A bar counts in int: large totals are scaled to per mille.
    const bool fits = total <= std::numeric_limits<int>::max();
    const int maximum = fits ? static_cast<int>(total) : 1000;
    const int value = fits ? static_cast<int>(std::clamp<std::int64_t>(done, 0, total))
                           : static_cast<int>(std::clamp<std::int64_t>(done, 0, total) * 1000 / total);
    bar_->setTextVisible(true);
    bar_->setRange(0, maximum);
    bar_->setValue(value);
}

void TProgressWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
}

TQtProgressDialog::TQtProgressDialog(QWidget* parent, std::string_view caption)
    : window_(new TProgressWindow(parent, FromUtf8(caption)))
{
    window_->show();
    QApplication::processEvents();
}

TQtProgressDialog::~TQtProgressDialog()
{
    delete window_.data();
}

void TQtProgressDialog::SetInfo(std::string_view text)
{
    if (window_)
        window_->SetInfo(FromUtf8(text));
}

void TQtProgressDialog::SetProgress(std::int64_t done, std::int64_t total)
{
    if (window_)
        window_->SetProgress(done, total);
}

std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, TMessageKind kind, std::string_view text,
                                            std::string_view secondLine)
{
    const TMessageLook& look = LookOf(kind);
    auto box = std::make_unique<QMessageBox>(look.Icon, QApplication::applicationName(), FromUtf8(text),
                                             look.Buttons, parent);
    if (!secondLine.empty())
        box->setInformativeText(FromUtf8(secondLine));
    return box;
}

bool ShowMessageBox(QWidget* parent, TMessageKind kind, std::string_view text, std::string_view secondLine)
{
    const int answer = MakeMessageBox(parent, kind, text, secondLine)->exec();
    return answer == QMessageBox::Ok || answer == QMessageBox::Yes;
}

}  // namespace qz
