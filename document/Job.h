#pragma once

#include "document/Document.h"
#include "document/LabelKind.h"
#include "stock/Choice.h"

#include <QList>
#include <memory>
#include <vector>

namespace platform {
class Printable;
}

namespace document {

// A job: labels of one kind, each a document of its own, and the label
// stock they are printed on. The windows keep one job of each kind for the
// whole run, with the one document its form shows; a run without a window
// makes one job of all its labels.
class Job {
public:
    // A job of `kind` without documents.
    explicit Job(LabelKind kind);
    ~Job();
    Job(Job&&) noexcept;
    Job& operator=(Job&&) noexcept;

    LabelKind kind() const { return kind_; }

    qsizetype size() const { return qsizetype(documents_.size()); }
    Document& document(qsizetype index = 0) { return *documents_.at(size_t(index)); }
    const Document& document(qsizetype index = 0) const { return *documents_.at(size_t(index)); }
    // Adds a document of the job's kind, new as the kind table makes it, or
    // the one given; returns it.
    Document& add();
    Document& add(std::unique_ptr<Document> document);

    // The documents as printing takes them, in order.
    QList<const platform::Printable*> labels() const;

    // Where the job was printed last: plain paper until the label stock tab
    // chooses a product.
    stock::Choice stock;

private:
    LabelKind kind_;
    std::vector<std::unique_ptr<Document>> documents_;
};

}  // namespace document
