#pragma once
// The item data roles the models and lists of the program use besides Qt's
// own display, edit and alignment roles.

#include <Qt>

namespace Roles {

// The value under the text shown: a grid cell's stored value (a number's id,
// Money as Money, a look-up's key), a list entry's key (a file's path, an
// import's id).
inline constexpr int Value = Qt::UserRole;
// The choices a model offers an editable cell: a list of (key, name) pairs;
// the grid's editor is then a drop-down list of the names that stores the key.
inline constexpr int Choices = Qt::UserRole + 40;

}  // namespace Roles
