#pragma once

#include "output/MissingCharacters.h"
#include "platform/Printer.h"
#include "stock/Choice.h"
#include "stock/SheetPrinting.h"

#include <QList>
#include <QString>
#include <stop_token>

namespace platform {
class Printable;
class Settings;
}  // namespace platform

// The one way from labels to paper, for the windows and the runs without a
// window alike: the labels are laid out on pages (stock::paintSheets) and
// the pages made one PDF document, streamed as each page is finished to a
// PDF file through the safe replacement (put in place only once whole), to
// a descriptor, or to a print queue that was checked to exist before
// anything was painted (as one job, withdrawn when the document fails).
namespace output {

// The services a print needs: the system's printers and the settings that
// hold each printer's calibration and the sheets' used labels.
struct Services {
    platform::Printer& printer;
    platform::Settings& settings;
};

// As a printer's high resolution.
constexpr int kResolution = 1200;

// What a print did: on label stock the product and its cells (recorded in
// the sheet memory for a queue; a PDF file records nothing); when the
// settings could not be written, why (the print counts all the same); and
// the characters of the labels that no installed font has, which printed as
// empty boxes (see missingCharactersNote).
struct Printed {
    stock::PrintedCells cells;
    QString settingsProblem;
    QString missingCharacters;
    // Why the queue's stored calibration was not used, where it was not.
    QString calibrationProblem;
};

// Prints `labels`, each choice.copies times, laid out as `choice` asks, to
// `destination`, as one document named `title`. On label stock printed on a
// queue, the queue's calibration from the settings applies, the cells are
// checked not to have been used since the user chose them
// (choice.usedWhenChosen), and they are recorded as used once the spooler
// took the job.
//
// Raises ui::Error 482 when no printer is set up, the queue is missing,
// stopped or refuses the job, or a page cannot be painted; 75 when the PDF
// file or descriptor cannot be written, the file is not one to replace, or
// the document would be larger than 2 GB (its description names the file
// and why); 1004 when the cells chosen on the sheet were used by another
// print meanwhile. Then nothing was printed or recorded, and a PDF file is
// as it was (what reached a descriptor stays there). Asked to `stop` before
// the document is committed or the job finished, it raises ui::Stopped and
// prints nothing; after that, the print counts.
Printed print(const QList<const platform::Printable*>& labels, stock::Choice choice,
              const platform::Destination& destination, const QString& title, Services services,
              std::stop_token stop = {});
// The same for labels made as they are printed, one at a time, so that a
// print of many labels holds one at a time. The first label is asked for
// before anything is written or sent: without any, nothing is (and the
// print counts no cells).
Printed print(const stock::LabelStream& labels, stock::Choice choice, const platform::Destination& destination,
              const QString& title, Services services, std::stop_token stop = {});

// The calibration page of `product` on `queue`, as one job, without any
// calibration: it shows what the printer itself does.
void printCalibrationPage(const stock::Product& product, const QByteArray& queue, const QString& title,
                          Services services, std::stop_token stop = {});

// Why `path` may not be written as a PDF file, or nothing: an existing file
// is replaced only when it is a PDF file (or empty), never a folder, device
// or named pipe; and the replacement must be possible there (the folder
// exists and takes the new file, or the file itself may be written), which
// is tried with a file made and dropped at once.
QString pdfTargetProblem(const QString& path);

// The paper a label on plain paper goes on without a print dialog: the
// locale's (LC_PAPER), upright, with no margins.
QPageLayout defaultPlainPaper();

}  // namespace output
