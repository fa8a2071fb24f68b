#pragma once

#include <initializer_list>

class QWidget;

namespace calvora::store {
class DataSource;
}

namespace calvora::platform {

// Binds every data-aware control on a form to the data source its form
// description names (the "dataSourceName" property), from the sources given.
void bindDataControls(QWidget *form, std::initializer_list<store::DataSource *> sources);

// Sizes every single-line label of a form to its text, as labels that fit
// their captions do.
void autoSizeLabels(QWidget *form);

// The application's title and the fonts the forms were designed with (where
// a face is not installed, the nearest sans-serif face stands in for it).
void initApplication();

} // namespace calvora::platform
