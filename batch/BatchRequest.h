#pragma once

#include "document/LabelKind.h"
#include "stock/SheetGeometry.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What a run without a window is asked to make: which labels, filled from
// what, and where they go. It holds the request as given; the inputs, the
// printer and the label product are looked at by the run itself.
struct BatchRequest {
    // A template's kind, or Custom: the cards saved in label files.
    LabelKind labels = LabelKind::Floppy;

    // For a template: one label per input, filled from the folder or disk
    // image as automatic contents fills it; otherwise one label filled by
    // hand with `name` and `lines`.
    bool contents = false;
    QString name;
    QStringList lines;

    // The folders, disk images or label files as the bytes the program was
    // given, so that a name that is not valid in the locale still opens.
    QList<QByteArray> inputs;
    // A file that names more inputs, taken after those: one a line, or each
    // ended by a NUL byte when `nullSeparated`; "-" is standard input. As
    // given: the run reads it.
    std::optional<QByteArray> inputsFrom;
    bool nullSeparated = false;

    // The PDF file to write, as given ("-": standard output); none: print.
    std::optional<QByteArray> pdf;
    QString printer;    // the queue; empty: the system's default printer
    QString stock;      // the label product as typed; empty: plain paper
    int startCell = 1;  // the first label on the sheet, from 1
    int copies = 1;     // of each label
    // None: as the label stock tab chooses, actual size unless the design is
    // larger than the label.
    std::optional<stock::Fit> fit;
    bool outline = false;
    // For a kind that has a disc face: whether it prints one (true) or its
    // label cut to the disc (false); none: as the label stock tab chooses, a
    // disc face on CD labels.
    std::optional<bool> discFace;
    // The labels are added to the product's collected sheet instead of
    // printed; or, with no labels to make, the product's collected sheet is
    // printed.
    bool collect = false;
    bool printCollected = false;

    bool operator==(const BatchRequest&) const = default;
};
