#include "storage/position_file.h"
#include "storage/text_file.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <optional>
#include <utility>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

enum Outcome { Kept, CannotReadBefore, SaveReported, FileChanged, FileUnnamed, CannotDropRoot };

// The save must fail, return an error naming the file and leave the previous bytes as they were.
int trySave(const QString& path, const QByteArray& before,
            const std::function<std::optional<QString>()>& save) {
    if (fileBytes(path) != before) {
        return CannotReadBefore;
    }
    const std::optional<QString> error = save();
    if (!error) {
        return SaveReported;
    }
    if (fileBytes(path) != before) {
        return FileChanged;
    }
    return error->contains(path) ? Kept : FileUnnamed;
}

// Root ignores permissions, so as root each save runs in a child that has become "nobody" and
// the folder belongs to root; otherwise a folder without write permission is enough. The file
// itself may be written by anyone: only the folder stands in the way.
TEST(UnwritableFolderTest, SaveFailsAndKeepsThePreviousFile) {
    const std::pair<const char*, std::function<std::optional<QString>(const QString&)>> writers[] =
        {{"text file",
          [](const QString& path) {
              return storage::writeTextFile(path, QStringLiteral("a"), {});
          }},
         {"position file", [](const QString& path) {
              storage::PositionFile file;
              file.fillUnreadable({1, 2, 3, 4, 5, 6});
              return file.write(path);
          }}};
    for (const auto& [name, write] : writers) {
        SCOPED_TRACE(name);
        QTemporaryDir tmp;
        const QByteArray folder = QFile::encodeName(tmp.filePath(QStringLiteral("program")));
        const QString path = tmp.filePath(QStringLiteral("program/state"));
        const QByteArray before("1200\r\n-45\r\n0\r\n0\r\n0\r\n0\r\n");
        ASSERT_EQ(::chmod(QFile::encodeName(tmp.path()).constData(), 0755), 0);
        ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
        {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(before) == before.size());
        }
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0666), 0);
        const auto save = [&, &write = write] { return write(path); };

        int outcome = 0;
        if (geteuid() == 0) {
            const pid_t child = fork();
            ASSERT_NE(child, -1);
            if (child == 0) {
                if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) {
                    _exit(CannotDropRoot);
                }
                _exit(trySave(path, before, save));
            }
            int status = 0;
            ASSERT_EQ(waitpid(child, &status, 0), child);
            ASSERT_TRUE(WIFEXITED(status));
            outcome = WEXITSTATUS(status);
        } else {
            ASSERT_EQ(::chmod(folder.constData(), 0555), 0);
            outcome = trySave(path, before, save);
            ::chmod(folder.constData(), 0755);
        }
        EXPECT_EQ(outcome, Kept);
        EXPECT_EQ(fileBytes(path), before);
    }
}

} // namespace
