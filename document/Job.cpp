#include "document/Job.h"

#include "platform/Printable.h"

namespace document {

Job::Job(LabelKind kind) : kind_(kind) {}
Job::~Job() = default;
Job::Job(Job&&) noexcept = default;
Job& Job::operator=(Job&&) noexcept = default;

Document& Job::add() { return add(labelKind(kind_).make(kind_)); }

Document& Job::add(std::unique_ptr<Document> document)
{
    documents_.push_back(std::move(document));
    return *documents_.back();
}

QList<const platform::Printable*> Job::labels() const
{
    QList<const platform::Printable*> out;
    out.reserve(qsizetype(documents_.size()));
    for (const auto& document : documents_)
        out.append(document.get());
    return out;
}

}  // namespace document
