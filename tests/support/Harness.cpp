#include "support/Harness.h"

#include "app/Startup.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>

Harness::Harness(PrinterKind printerKind, BusyKind busyKind)
{
    ui::Context::Services services;
    auto m = std::make_unique<platform::ScriptedMessageBox>();
    auto d = std::make_unique<platform::ScriptedDialogs>();
    auto h = std::make_unique<platform::ScriptedHelpViewer>();
    auto p = std::make_unique<platform::ScriptedPictures>();
    auto f = std::make_unique<platform::ScriptedFileSystem>();
    messages = m.get();
    dialogs = d.get();
    help = h.get();
    pictures = p.get();
    files = f.get();
    f->current = platform::LocalFileSystem().currentDirectory();
    f->driveList = {{QByteArray("/"), QStringLiteral("/"), true}};
    services.messages = std::move(m);
    services.dialogs = std::move(d);
    services.help = std::move(h);
    services.pictures = std::move(p);
    services.files = std::move(f);
    if (busyKind == BusyKind::Scripted) {
        auto scripted = std::make_unique<platform::ScriptedBusy>();
        busy = scripted.get();
        services.busy = std::move(scripted);
    } else {
        services.busy = std::make_unique<platform::BusyDialog>();
    }
    if (printerKind == PrinterKind::Scripted) {
        auto scripted = std::make_unique<platform::ScriptedPrinter>();
        printer = scripted.get();
        services.printer = std::move(scripted);
    } else {
        services.printer = std::make_unique<platform::SystemPrinter>();
    }
    context = std::make_unique<ui::Context>(std::move(services));
    context->helpFile = QStringLiteral("/opt/tessera/help/TESSERA16.qhc");
    forms = std::make_unique<Forms>(*context);
    forms->registry.observer = [this](const QString& form, ui::Registry::Op op) {
        log.append(ui::Registry::opName(op) + QLatin1Char(' ') + form);
    };
    forms->registry.onEnd = [this] { ++ends; };
}

Harness::~Harness()
{
    forms.reset();
    flush();
}

QStringList Harness::take()
{
    QStringList out;
    out.swap(log);
    return out;
}

void Harness::flush() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

QStringList Harness::visible() const
{
    QStringList names;
    for (const ui::Form* form : forms->registry.forms()) {
        if (form->isVisible())
            names.append(form->name());
    }
    return names;
}

void configureTestApplication() { configureApplication(*static_cast<QApplication*>(QCoreApplication::instance())); }
