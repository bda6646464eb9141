#include "app/QtUi.h"

#include "app/QtDialogs.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>

#include <cstdlib>

namespace qz {

namespace {

// The memo shows the product's CR LF and CR line breaks as its own.
QString MemoText(std::string_view text)
{
    QString lines = FromUtf8(text);
    return lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

}  // namespace

int TMemoLines::LineCount() const
{
    return lines_;
}

void TMemoLines::SetLine(int index, std::string_view text)
{
    while (lines_ <= index)
        AppendLine("");
    // Only the line's own block is replaced, so a long memo is not rebuilt for every progress step.
    QTextCursor cursor(memo_.document()->findBlockByNumber(index));
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    const QString line = MemoText(text);
    cursor.insertText(line);
    lines_ += static_cast<int>(line.count(QLatin1Char('\n')));
}

void TMemoLines::AppendLine(std::string_view text)
{
    const QString line = MemoText(text);
    if (lines_ == 0) {
        memo_.setPlainText(line);
    } else {
        // Not appendPlainText: into an empty document it puts no line break, so leading empty lines vanish.
        QTextCursor end(memo_.document());
        end.movePosition(QTextCursor::End);
        end.insertBlock();
        end.insertText(line);
    }
    lines_ += 1 + static_cast<int>(line.count(QLatin1Char('\n')));
}

void TMemoLines::Clear()
{
    memo_.clear();
    lines_ = 0;
}

QString TMemoLines::Line(int index) const
{
    return memo_.document()->findBlockByNumber(index).text();
}

void TPanelCaption::SetCaption(std::string_view text)
{
    panel_.setText(FromUtf8(text));
}

std::string TPanelCaption::Caption() const
{
    return panel_.text().toStdString();
}

QWidget* TQtUserInterface::Parent() const
{
    return window_ ? window_.data() : QApplication::activeWindow();
}

void TQtUserInterface::ShowMessage(TMessageKind kind, std::string_view text)
{
    const QString lines = MemoText(text);
    const qsizetype split = lines.indexOf(QLatin1Char('\n'));
    const std::string first = (split < 0 ? lines : lines.left(split)).toStdString();
    const std::string rest = split < 0 ? std::string() : lines.mid(split + 1).toStdString();
    ShowMessageBox(Parent(), kind, first, rest);
}

void TQtUserInterface::ProcessEvents()
{
    QCoreApplication::processEvents();
}

void TQtUserInterface::EndApplication()
{
    QApplication::closeAllWindows();
    std::_Exit(1);
}

std::unique_ptr<TProgressDialog> TQtUserInterface::OpenProgress(std::string_view caption)
{
    return std::make_unique<TQtProgressDialog>(Parent(), caption);
}

}  // namespace qz
