#pragma once

#include <QString>

#include <functional>

class QDialog;
class QWidget;

namespace calvora::platform {

// The title of every message box the program shows.
QString applicationTitle();

// The application's default error handler: shows a failure's message in a
// message box titled with the application title. Tests replace the sink so
// that they can read the message and never wait on a modal window.
using ErrorSink = std::function<void(const QString &message)>;
void setErrorSink(ErrorSink sink);
void resetErrorSink();
void showError(const QString &message);

// Shows a failure that trying again may mend (a file another program holds)
// with Retry and Cancel; returns whether the person chose Retry. Tests answer
// it through setNextModalResults (QMessageBox::Retry or Cancel); the message
// also goes to the error sink.
bool askRetry(const QString &message);

// Runs a handler that Qt calls; any exception it throws ends the handler and
// its message goes to the error handler. No exception crosses the event loop.
void guarded(const std::function<void()> &handler);

// Shows a dialog modally and returns its result. Tests queue the answers that
// the next dialogs give instead of showing them.
int execModal(QDialog &dialog);
void setNextModalResults(std::initializer_list<int> results);
int queuedModalResults();

// Asks where to save a file (the platform's save dialog); returns the chosen
// path, or an empty text when the person cancels. Tests queue the answers
// (an empty text cancels) instead of showing the dialog.
QString askSaveFileName(QWidget *parent, const QString &caption, const QString &suggested, const QString &filter);
void setNextSaveFileNames(std::initializer_list<QString> paths);

} // namespace calvora::platform
