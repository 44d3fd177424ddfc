#pragma once

#include <QString>

class QTextStream;

namespace pv::interchange {

// --can-make and --plan: the My Bar rules and the bottle plan without a window.
struct BarArguments {
    bool canMake = false;
    int plan = -1;                        // bottles to add; -1: no plan asked
    QString have, exclude, must, countAs; // ";"-separated names
    bool substitutes = false;
    bool garnishes = false;
    double seconds = 1.9;
};

// Prints the drinks the shelf makes, or the plan, to `out`; returns an ExitCode.
int runBarCommand(const BarArguments &a, const QString &catalogue, QTextStream &out, QTextStream &err);

} // namespace pv::interchange
