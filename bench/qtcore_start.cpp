// What every QtCore command line pays before its own work: a process that
// loads QtCore, makes its QCoreApplication and exits. Printed beside
// `pivora-cli list` and its raw baseline, it shows how much of the list's
// time is this start.
#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    return 0;
}
