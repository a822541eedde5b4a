// STATUS: the video processor's status report.
#pragma once

void vxpStatus();
