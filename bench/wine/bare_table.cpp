// The baseline of pivora's start-up: a bare Qt window with a table of the
// same shape (six columns, a selector and a button in every row, as many
// rows as asked), filled from constants, with no registry behind it.
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    const int rows = argc > 1 ? QString(argv[1]).toInt() : 52;

    QWidget window;
    window.setWindowTitle("Bare table");
    QTableWidget *table = new QTableWidget(rows, 6);
    table->setHorizontalHeaderLabels(QStringList() << "Filter Name" << "Current Merit" << "Filter Location"
                                                   << "New Merit" << "Custom Merit" << "Unregister");
    for (int row = 0; row < rows; ++row) {
        table->setItem(row, 0, new QTableWidgetItem(QString("Kestrane Filter %1 Decoder").arg(row)));
        table->setItem(row, 1, new QTableWidgetItem("Default"));
        table->setItem(row, 2, new QTableWidgetItem(QString("C:\\Program Files\\Kestrane\\Kestrane%1.ax").arg(row)));
        QComboBox *selector = new QComboBox;
        selector->addItems(QStringList() << "Default" << "Disable" << "High" << "Custom");
        table->setCellWidget(row, 3, selector);
        table->setCellWidget(row, 5, new QPushButton("Unregister"));
    }
    table->resizeColumnsToContents();
    table->sortItems(0);

    QHBoxLayout *buttons = new QHBoxLayout;
    for (const char *label : {"Register &new filters", "Re&fresh", "&Reset", "&Close"})
        buttons->addWidget(new QPushButton(label));
    QVBoxLayout *layout = new QVBoxLayout(&window);
    layout->addWidget(table);
    layout->addLayout(buttons);
    window.show();
    return application.exec();
}
