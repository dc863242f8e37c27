#include "ui/QmlDialogs.h"

#include <QTimer>

QmlDialogs::QmlDialogs(QObject* parent) : QObject(parent) {}

void QmlDialogs::showAlert(const QString& title, const QString& message, const QStringList& buttons, Answer answer)
{
    const int id = _nextId++;
    _pending.insert(id, Pending{std::move(answer), {}});
    Q_EMIT alertRequested(id, title, message, buttons, {});
}

void QmlDialogs::showTextEntry(const QString& title, const QString& message, const QStringList& fieldTexts,
                               const QStringList& buttons, TextAnswer answer)
{
    const int id = _nextId++;
    _pending.insert(id, Pending{{}, std::move(answer)});
    Q_EMIT alertRequested(id, title, message, buttons, fieldTexts);
}

void QmlDialogs::showActionSheet(const QString& title, const QString& cancelTitle, const QStringList& buttons,
                                 Answer answer)
{
    const int id = _nextId++;
    _pending.insert(id, Pending{std::move(answer), {}});
    Q_EMIT actionSheetRequested(id, title, cancelTitle, buttons);
}

void QmlDialogs::showNotice(const QString& text)
{
    Q_EMIT noticeRequested(text);
}

void QmlDialogs::presentPopover(QObject* controller, const QString& view, const QSizeF& size, const QString& anchor,
                                std::function<void()> dismissed)
{
    _popoverDismissed = std::move(dismissed);
    _popoverOpen = true;
    Q_EMIT popoverRequested(controller, view, size.width(), size.height(), anchor);
    Q_EMIT popoverOpenChanged();
}

void QmlDialogs::dismissPopover()
{
    if (!_popoverOpen)
        return;
    _popoverOpen = false;
    _popoverDismissed = nullptr;
    Q_EMIT popoverDismissRequested();
    Q_EMIT popoverOpenChanged();
}

void QmlDialogs::answer(int id, int index, const QString& title, const QStringList& texts)
{
    const auto it = _pending.find(id);
    if (it == _pending.end())
        return;
    Pending pending = it.value();
    _pending.erase(it);
    // Answer after the dialog has closed, outside the QML signal handler that
    // reported it: the answer may replace the very screen that asked.
    QTimer::singleShot(0, this, [pending, index, title, texts]() {
        if (pending.answer)
            pending.answer(index, title);
        if (pending.textAnswer)
            pending.textAnswer(index, title, texts);
    });
}

void QmlDialogs::popoverClosedByUser()
{
    if (!_popoverOpen)
        return;
    _popoverOpen = false;
    auto dismissed = std::move(_popoverDismissed);
    _popoverDismissed = nullptr;
    Q_EMIT popoverOpenChanged();
    if (dismissed)
        QTimer::singleShot(0, this, dismissed);
}
