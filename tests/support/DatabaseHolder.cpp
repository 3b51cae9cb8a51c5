// A second process for the exclusive-open tests.
//   dbholder hold PATH   opens PATH, prints "held", keeps it until stdin closes
//   dbholder try PATH    opens PATH and prints "opened" or "refused NUMBER"
#include "platform/database/Database.h"
#include "runtime/Error.h"
#include "tarvo/DatabaseFile.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    const QString mode = QString::fromLocal8Bit(argv[1]);
    try {
        auto db = db::Database::openExclusive(QString::fromLocal8Bit(argv[2]), tarvo::kDatabaseConnect);
        if (mode == QLatin1String("hold")) {
            std::printf("held\n");
            std::fflush(stdout);
            while (std::fgetc(stdin) != EOF) {
            }
        } else {
            std::printf("opened\n");
        }
    } catch (const rt::RuntimeError &e) {
        std::printf("refused %d\n", e.number());
        return 3;
    }
    return 0;
}
