#pragma once

#include "document/LabelKind.h"
#include "platform/Printable.h"

#include <QObject>
#include <memory>

namespace document {

// What a job makes: one label, of a kind, that paints itself at its size.
// Free of widgets; the windows are views of it, and the printing pipeline
// prints it. It tells its views of every change through its own signals.
class Document : public QObject, public platform::Printable {
    Q_OBJECT
public:
    virtual LabelKind kind() const = 0;
    // Back to what a new label of its kind is.
    virtual void reset() = 0;
    // A copy that lives on its own (a picture is shared, not copied).
    virtual std::unique_ptr<Document> copy() const = 0;
};

}  // namespace document
