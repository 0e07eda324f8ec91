#pragma once

class Engine;
class ReceiverOutput;

// Hands what the connections accept to the engine's lists on the user-interface thread:
// accepted texts to "Pending Messages", the rest to "Received Data" while Coms Setup is open; the
// feeds of the IP watchdog; the address of the panel being served.
void connectReceiverToEngine(ReceiverOutput &output, Engine &engine);
