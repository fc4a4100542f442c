#include "fit/fit_run.h"

#include <QString>
#include <QStringList>

#include <cstdio>

// tavrel-fit: checks that every line of a translated script fits the bytes of its original.
int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    return fit::run(arguments, stdout, stderr);
}
