#pragma once
// Plugs the instrument ports into the application: every port configured in
// electronics.db is built and opened in the start-up stage "Init Ports",
// all are restarted together when electronics.db changes, and they are
// stopped last, in the shutdown stage "Exit_Ports".

namespace tarnwick {

class CApplication;

void RegisterPorts(CApplication& app);

// Stops every port and builds them again from electronics.db (the port
// settings changed). Call on the user-interface thread.
void RestartPorts();

}  // namespace tarnwick
