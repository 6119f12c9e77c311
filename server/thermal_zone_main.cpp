// Thermwatch, the fallback build: reads the kernel's thermal zones.
#include "server/server_run.h"
#include "server/thermal_zone_scan.h"

int main() { return thermwatch::RunThermwatch(thermwatch::ScanThermalZones); }
