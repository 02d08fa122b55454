#pragma once
// Frame-rate-independent timing: turns the time between updates into a speed
// factor (1.0 when an update took exactly the desired loop time), counts
// updates per second, and pauses and resumes time.

namespace __VELTRIC__ {

extern int AppTime_DesiredFrequency;
extern double AppTime_DesiredLoopTime;
extern double AppTime_Speed;
extern double AppTime_PauseStart;
extern double AppTime_LastUpdateTime;
extern double AppTime_CurrentTime;
extern double AppTime_LastUPSTime;
extern double AppTime_Iterator;
extern double AppTime_UPS;

// Resets the state; a frequency of 0 or below keeps 60 updates per second.
double initAppTime(int frequency);
// Call once per frame: the speed factor (0.0 while paused).
double updateAppTime();
// 1 pauses, any other value resumes.
double pauseUnPauseAppTime(double flag);

} // namespace __VELTRIC__
