#pragma once

#include "platform/Dialogs.h"

#include <QHash>
#include <QObject>
#include <QPointer>

// Dialogs drawn by the window's DialogHost (qml/DialogHost.qml): requests go
// out as signals, answers come back through answer().
class QmlDialogs : public QObject, public Dialogs
{
    Q_OBJECT
    Q_PROPERTY(bool popoverOpen READ isPopoverOpen NOTIFY popoverOpenChanged)

public:
    explicit QmlDialogs(QObject* parent = nullptr);

    void showAlert(const QString& title, const QString& message, const QStringList& buttons,
                   Answer answer = {}) override;
    void showTextEntry(const QString& title, const QString& message, const QStringList& fieldTexts,
                       const QStringList& buttons, TextAnswer answer) override;
    void showActionSheet(const QString& title, const QString& cancelTitle, const QStringList& buttons,
                         Answer answer) override;
    void showNotice(const QString& text) override;
    void presentPopover(QObject* controller, const QString& view, const QSizeF& size, const QString& anchor,
                        std::function<void()> dismissed = {}) override;
    void dismissPopover() override;
    bool isPopoverOpen() const override { return _popoverOpen; }

    // From the host: the salesman chose button `index` (-1: dismissed).
    Q_INVOKABLE void answer(int id, int index, const QString& title, const QStringList& texts = {});
    // From the host: the popover was closed by a touch outside it.
    Q_INVOKABLE void popoverClosedByUser();

Q_SIGNALS:
    void alertRequested(int id, const QString& title, const QString& message, const QStringList& buttons,
                        const QStringList& fieldTexts);
    void actionSheetRequested(int id, const QString& title, const QString& cancelTitle, const QStringList& buttons);
    void noticeRequested(const QString& text);
    void popoverRequested(QObject* controller, const QString& view, qreal width, qreal height,
                          const QString& anchor);
    void popoverDismissRequested();
    void popoverOpenChanged();

private:
    struct Pending {
        Answer answer;
        TextAnswer textAnswer;
    };
    QHash<int, Pending> _pending;
    int _nextId = 1;
    bool _popoverOpen = false;
    std::function<void()> _popoverDismissed;
};
