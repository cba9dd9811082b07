#pragma once

#include <QList>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

// One picture: the file name (without .png) and how to build the window.
// The factory gets the main window as the parent the program itself would use.
struct Shot
{
    QString name;
    std::function<std::unique_ptr<QWidget>(QWidget *mainWindow)> make;
};

// Every window the tool renders, in order.
QList<Shot> allShots();
