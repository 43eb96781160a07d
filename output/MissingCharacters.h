#pragma once

#include <QList>
#include <QString>

namespace platform {
class Printable;
}

namespace output {

// The characters of `labels` that no installed font has, so that they print
// as empty boxes: each once, in the order painted. Each label is painted
// once more where only its texts and their fonts are kept.
QString missingCharacters(const QList<const platform::Printable*>& labels);

// What the user is told of them, in one line.
QString missingCharactersNote(const QString& characters);

}  // namespace output
