#pragma once

#include <QObject>

class QPlainTextEdit;
class QTextDocument;

namespace ui {

// A length limit on typing in a multi-line text box, as TypingLimit is for a
// one-line box. The length counts the text as the program keeps it, each
// line break as CR LF (two characters). An edit that would make the text
// longer than the limit keeps as much of what was typed, pasted or dropped as
// fits (its first characters); one undo takes back the whole edit. A longer
// text the program put there stays whole; edits that do not lengthen it are
// taken.
class PlainTextLimit final : public QObject {
    Q_OBJECT
public:
    // Connect to the box's textChanged after this: the text is cut first.
    PlainTextLimit(QPlainTextEdit* edit, int limit);

    // Puts `text` into `edit` whole, whatever its length.
    static void setWholeText(QPlainTextEdit* edit, const QString& text);

private:
    static qsizetype keptLength(const QTextDocument& document);
    void cut();

    QPlainTextEdit* edit_;
    int limit_;
    qsizetype accepted_ = 0;  // the length of the text now in the box
    int changeEnd_ = 0;       // where the last edit's inserted text ends
    int changeStart_ = 0;
    bool whole_ = false;
};

}  // namespace ui
