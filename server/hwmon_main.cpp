// Thermwatch, the current build: reads the kernel's hwmon sensors.
#include "server/hwmon_scan.h"
#include "server/server_run.h"

int main() { return thermwatch::RunThermwatch(thermwatch::ScanHwmon); }
