#pragma once
#include <functional>

// Whoever changes the tables (a saved transit, an edit, add, delete, copy or
// import) calls TablesChanged(); the program answers by writing the data file
// soon after, once for a burst of changes. Without a listener nothing happens.
void TablesChanged();
void SetTablesChangedListener(std::function<void()> listener);
