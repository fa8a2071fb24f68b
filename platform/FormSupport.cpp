#include "FormSupport.h"

#include "DBEdit.h"
#include "DBGrid.h"
#include "DBLookupCombo.h"
#include "DBSpinEdit.h"
#include "HintStyle.h"

#include <QApplication>
#include <QFont>
#include <QLabel>

namespace calvora::platform {

namespace {

store::DataSource *sourceNamed(const QString &name, std::initializer_list<store::DataSource *> sources)
{
    for (store::DataSource *source : sources) {
        if (source->objectName() == name)
            return source;
    }
    return nullptr;
}

} // namespace

void bindDataControls(QWidget *form, std::initializer_list<store::DataSource *> sources)
{
    for (DBEdit *edit : form->findChildren<DBEdit *>())
        edit->setDataSource(sourceNamed(edit->dataSourceName(), sources));
    for (DBGrid *grid : form->findChildren<DBGrid *>())
        grid->setDataSource(sourceNamed(grid->dataSourceName(), sources));
    for (DBSpinEdit *edit : form->findChildren<DBSpinEdit *>())
        edit->setDataSource(sourceNamed(edit->dataSourceName(), sources));
    for (DBLookupCombo *box : form->findChildren<DBLookupCombo *>()) {
        box->setListSource(sourceNamed(box->listSourceName(), sources));
        box->setDataSource(sourceNamed(box->dataSourceName(), sources));
    }
}

void autoSizeLabels(QWidget *form)
{
    for (QLabel *label : form->findChildren<QLabel *>()) {
        if (!label->wordWrap() && label->pixmap().isNull() && label->metaObject() == &QLabel::staticMetaObject)
            label->adjustSize();
    }
}

void initApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("Calvora Mortgage Calculator"));
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Liberation Sans"),
                                QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
    // Every text of the program is in this one face and size.
    QApplication::setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    // Every hint shows after 2.5 s, in a pale box.
    HintStyle::apply({});
}

} // namespace calvora::platform
