#pragma once

#include <QString>

namespace platform {

// Where the position and text files live: beside the executable, except for an installed
// copy (the executable in the install folder compiled into the program), whose files go to
// the per-user data folder, so that an installed program never writes into a system folder.
QString programFolder();

// The same decision, given the executable's folder and the install folder, for tests.
bool isInstalledCopy(const QString& executableFolder, const QString& installBinFolder);

} // namespace platform
