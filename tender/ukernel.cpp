#include "tender/ukernel.h"

#include "platform/ui/Shell.h"

double TSystemInfo::PhysMemoryKB(bool total) {
  MEMORYSTATUSEX status;
  if (!GlobalMemoryStatusEx(&status)) return 0;
  return static_cast<double>((total ? status.ullTotalPhys : status.ullAvailPhys) / 1024);
}

double TSystemInfo::TotalPhysMemoryKB() { return PhysMemoryKB(true); }

double TSystemInfo::AvailPhysMemoryKB() { return PhysMemoryKB(false); }
