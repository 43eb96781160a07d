#pragma once

#include <QList>
#include <QString>
#include <deque>
#include <functional>

class QWidget;

namespace platform {

// A modal message box. Styles: 0 OK, 4 Yes/No, 64 information icon + OK.
// Returns 1 for OK, 6 for Yes, 7 for No.
class MessageBox {
public:
    enum Style : int { OkOnly = 0, YesNo = 4, Information = 64 };
    enum Answer : int { Ok = 1, Yes = 6, No = 7 };

    virtual ~MessageBox() = default;

    // An empty title stands for the application title.
    int show(QWidget* owner, const QString& text, int style = OkOnly, const QString& title = {});

protected:
    virtual int ask(QWidget* owner, const QString& text, int style, const QString& title) = 0;
};

class QtMessageBox final : public MessageBox {
protected:
    int ask(QWidget* owner, const QString& text, int style, const QString& title) override;
};

}  // namespace platform
