#include "demo/apptime.h"

#include "runtime/veltric.h"

namespace __VELTRIC__ {

int AppTime_DesiredFrequency = 0;
double AppTime_DesiredLoopTime = 0;
double AppTime_Speed = 0;
double AppTime_PauseStart = 0;
double AppTime_LastUpdateTime = 0;
double AppTime_CurrentTime = 0;
double AppTime_LastUPSTime = 0;
double AppTime_Iterator = 0;
double AppTime_UPS = 0;

double initAppTime(int frequency)
{
    AppTime_UPS = 0;
    AppTime_Iterator = 0;
    AppTime_CurrentTime = 0;
    AppTime_PauseStart = 0;
    AppTime_LastUpdateTime = 0;
    AppTime_LastUPSTime = 0;
    AppTime_Speed = 1.0;
    AppTime_DesiredLoopTime = 1000.0 / 60.0;
    // A frequency of zero would divide by zero in every update.
    AppTime_DesiredFrequency = frequency > 0 ? frequency : 60;
    return 0.0;
}

double updateAppTime()
{
    if (AppTime_PauseStart != 0) return 0.0;
    // In floating point: 1000 / 60 as integers is 16, every speed 4 % off.
    AppTime_DesiredLoopTime = 1000.0 / AppTime_DesiredFrequency;
    double now = GETTIMERALL();
    if (AppTime_LastUpdateTime == 0) {
        AppTime_LastUpdateTime = now;
        AppTime_CurrentTime = now;
        AppTime_LastUPSTime = now;
        AppTime_Speed = 1.0;
    } else {
        double elapsed = now - AppTime_LastUpdateTime;
        // A clock that steps back counts as no time (a negative speed would
        // run every motion backwards); the schedule restarts from the new reading.
        if (elapsed <= 0) {
            SLEEP(1);
            now = now + 1;
            elapsed = 1;
        }
        AppTime_LastUpdateTime = now;
        AppTime_CurrentTime = now;
        AppTime_Speed = elapsed / AppTime_DesiredLoopTime;
    }
    AppTime_Iterator = AppTime_Iterator + 1;
    if (now - AppTime_LastUPSTime >= 1000) {
        AppTime_UPS = AppTime_Iterator / ((now - AppTime_LastUPSTime) / 1000);
        AppTime_LastUPSTime = now;
        AppTime_Iterator = 0;
    }
    return AppTime_Speed;
}

double pauseUnPauseAppTime(double flag)
{
    if (flag == 1) {
        if (AppTime_PauseStart == 0) {
            AppTime_PauseStart = GETTIMERALL();
            AppTime_UPS = 0;
            AppTime_Speed = 0;
        }
    } else if (AppTime_PauseStart != 0) {
        if (AppTime_LastUpdateTime != 0)
            AppTime_LastUpdateTime = AppTime_LastUpdateTime + (GETTIMERALL() - AppTime_PauseStart);
        AppTime_PauseStart = 0;
        updateAppTime();
    }
    return 0.0;
}

} // namespace __VELTRIC__
