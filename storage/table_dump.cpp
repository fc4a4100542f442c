#include "storage/table_dump.h"

#include <QFile>

#include <string>

namespace storage {

bool writeTableDump(const CharTable& table, const QString& path) {
    const std::string text = table.formatDump();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    const auto size = static_cast<qint64>(text.size());
    return file.write(text.data(), size) == size && file.flush();
}

} // namespace storage
