// The application object: its start-up runs the main dialog once.
#pragma once

#include "framework/win_app.h"

namespace nolt {

class Cnolt_PCClientApp : public fw::CWinApp {
public:
    Cnolt_PCClientApp();
    bool InitInstance() override;
};

}  // namespace nolt
