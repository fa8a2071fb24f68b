#include "ErrorHandler.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
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

namespace {
std::deque<QString> &saveFileNames()
{
    static std::deque<QString> names;
    return names;
}
} // namespace

QString askSaveFileName(QWidget *parent, const QString &caption, const QString &suggested, const QString &filter)
{
    if (!saveFileNames().empty()) {
        QString path = saveFileNames().front();
        saveFileNames().pop_front();
        return path;
    }
    return QFileDialog::getSaveFileName(parent, caption, suggested, filter);
}

void setNextSaveFileNames(std::initializer_list<QString> paths)
{
    saveFileNames().assign(paths.begin(), paths.end());
}

} // namespace calvora::platform
