#include "ui/PlainTextLimit.h"

#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace ui {

PlainTextLimit::PlainTextLimit(QPlainTextEdit* edit, int limit) : QObject(edit), edit_(edit), limit_(limit)
{
    QTextDocument* document = edit->document();
    accepted_ = keptLength(*document);
    connect(document, &QTextDocument::contentsChange, this, [this](int position, int, int added) {
        changeStart_ = position;
        changeEnd_ = position + added;
    });
    // The box's own signal, so that the text is cut before anyone else
    // connected to it later hears of it.
    connect(edit, &QPlainTextEdit::textChanged, this, &PlainTextLimit::cut);
}

qsizetype PlainTextLimit::keptLength(const QTextDocument& document)
{
    // characterCount() holds one separator between blocks and one at the end.
    return document.characterCount() - 1 + document.blockCount() - 1;
}

void PlainTextLimit::cut()
{
    QTextDocument* document = edit_->document();
    const qsizetype length = keptLength(*document);
    const qsizetype room = std::max<qsizetype>(limit_, accepted_);
    if (whole_ || length <= room) {
        accepted_ = length;
        return;
    }
    // Drop the last characters of what was inserted, as many as it takes.
    // (A change may be reported up to the document's closing separator.)
    const int end = std::min(changeEnd_, document->characterCount() - 1);
    qsizetype excess = length - room;
    int start = end;
    while (start > changeStart_ && excess > 0) {
        --start;
        excess -= document->characterAt(start) == QChar::ParagraphSeparator ? 2 : 1;
    }
    if (start > changeStart_ && document->characterAt(start).isLowSurrogate())
        --start;
    if (start < end) {
        QTextCursor cursor(document);
        cursor.setPosition(start);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        cursor.joinPreviousEditBlock();
        cursor.removeSelectedText();
        cursor.endEditBlock();
    }
    accepted_ = keptLength(*document);
}

void PlainTextLimit::setWholeText(QPlainTextEdit* edit, const QString& text)
{
    auto* limit = edit->findChild<PlainTextLimit*>(QString(), Qt::FindDirectChildrenOnly);
    if (!limit) {
        edit->setPlainText(text);
        return;
    }
    {
        const QScopedValueRollback whole(limit->whole_, true);
        edit->setPlainText(text);
    }
    limit->accepted_ = keptLength(*edit->document());
}

}  // namespace ui
