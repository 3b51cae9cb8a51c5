// Produces the database file that ships beside the program.
#include "runtime/Error.h"
#include "tools/ShippedDatabase.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: mkdb OUTPUT.mdb\n");
        return 2;
    }
    try {
        tools::writeShippedDatabase(QString::fromLocal8Bit(argv[1]));
    } catch (const std::exception &e) {
        std::fprintf(stderr, "mkdb: %s\n", e.what());
        return 1;
    }
    return 0;
}
