#pragma once

class ComSetupWindow;
class MainWindow;
class ReceiverOutput;

// Shows on the windows what the IP receiver's connections report: the number of open connections
// and the account text of a message that could not be handled on "Coms Setup", and the count of
// unloggable disconnections on the main window's Tx link label. Every update reaches the window
// queued, in the order the connections made it.
void showReceiverOnWindows(const ReceiverOutput &output, MainWindow &mainWindow,
                           ComSetupWindow &comSetup);
