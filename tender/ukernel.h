#pragma once
// The computer's physical memory in kilobytes, for the about box.

class TSystemInfo {
 public:
  // Whole kilobytes; 0 when the system gives no figure.
  double TotalPhysMemoryKB();
  double AvailPhysMemoryKB();

 private:
  double PhysMemoryKB(bool total);
};
