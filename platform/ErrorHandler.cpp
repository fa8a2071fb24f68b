#include "ErrorHandler.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>

#include <deque>
#include <exception>

namespace calvora::platform {

namespace {

ErrorSink &sink()
{
    static ErrorSink current;
    return current;
}

std::deque<int> &modalAnswers()
{
    static std::deque<int> answers;
    return answers;
}

void showMessageBox(const QString &message)
{
    QMessageBox box(QMessageBox::Critical, applicationTitle(), message, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

} // namespace

QString applicationTitle() { return QCoreApplication::applicationName(); }

void setErrorSink(ErrorSink newSink) { sink() = std::move(newSink); }

void resetErrorSink() { sink() = nullptr; }

void showError(const QString &message)
{
    if (sink())
        sink()(message);
    else
        showMessageBox(message);
}

bool askRetry(const QString &message)
{
    if (sink())
        sink()(message);
    QMessageBox box(QMessageBox::Warning, applicationTitle(), message, QMessageBox::Retry | QMessageBox::Cancel,
                    QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Retry);
    return execModal(box) == QMessageBox::Retry;
}

void guarded(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const std::exception &e) {
        showError(QString::fromUtf8(e.what()));
    } catch (...) {
        showError(QStringLiteral("An unexpected error occurred."));
    }
}

int execModal(QDialog &dialog)
{
    if (!modalAnswers().empty()) {
        const int result = modalAnswers().front();
        modalAnswers().pop_front();
        dialog.setResult(result);
        return result;
    }
    return dialog.exec();
}

void setNextModalResults(std::initializer_list<int> results)
{
    modalAnswers().assign(results.begin(), results.end());
}

int queuedModalResults() { return int(modalAnswers().size()); }

} // namespace calvora::platform
