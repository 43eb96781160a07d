#pragma once

#include "document/TextLine.h"
#include "ui/FontSize.h"
#include "ui/Result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

// The label file: a whole custom card as 135 values, one per line, each
// followed by CR LF, in Windows-1252. The codec only turns a card's values
// into bytes and bytes into values; it touches no file and no widget.
namespace document::labelfile {

constexpr int kValueCount = 5 + 13 * kLineCount;  // 135
// The largest font size a file may set, in points.
constexpr float kMaxFontSize = ui::kMaxFontSize;
// A label file is small; anything larger than this is not one.
constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;
// More than any number, colour or boolean is written as: the longest is a
// tiny single without exponent, "-0.000...1401298 ", 55 characters.
constexpr qint64 kMaxNumberBytes = 64;
// Whatever a card holds, its file stays within kMaxFileBytes.
static_assert(kValueCount * (kMaxNumberBytes + 2) + kMaxPicturePathLength +
                  kLineCount * (kMaxCaptionLength + kMaxFontNameLength) <=
              kMaxFileBytes);

struct CardValues {
    qint16 txtamt = 0;
    float Height = 0;  // twips, outer
    float Width = 0;
    quint32 BackColor = 0;
    QString cardpc;
    std::array<TextLine, kLineCount> lines;

    friend bool operator==(const CardValues&, const CardValues&) = default;
};

// The file's bytes. Characters Windows-1252 cannot hold are written as "?".
QByteArray write(const CardValues& card);

// What would not load back as it is saved, one sentence each: a picture path
// or font name with a comma or line break or leading blanks, and texts with
// characters Windows-1252 cannot hold. A caption's "~", "|" and leading
// blanks are the format's own rules and are not listed.
QStringList problems(const CardValues& card);

struct Failure {
    int line = 0;   // file line, from 1
    int value = 0;  // value number, from 1
    QString why;
    // What the file more likely is, when it looks like text of another kind
    // (UTF-8, LF line ends); a sentence, or empty.
    QString hint;
};

struct ReadCard {
    CardValues card;
    QList<int> cutCaptions;  // lines whose caption was cut to kMaxCaptionLength
};

// Reads all 135 values and checks that each can be applied. Anything after
// the 135th value is ignored. A caption longer than a line holds is cut to
// its first kMaxCaptionLength characters; a longer font name or picture path
// fails.
ui::Result<ReadCard, Failure> read(const QByteArray& bytes);

// A single-precision value as the file writes it: rounded to 7 significant
// digits, no exponent, no trailing zeros, no point for whole numbers, and a
// leading zero before the point below 1 ("0.5"). 10 gives "10", 8.25 "8.25".
// The panel shows its numbers so too.
QString formatSingle(float value);

// Caption escaping: "," is stored as "~" and CR as "|".
QString escapeCaption(const QString& caption);
QString unescapeCaption(const QString& stored);

}  // namespace document::labelfile
