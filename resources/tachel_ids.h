// Resource and control ids of the CPU meter.
#ifndef TACHEL_IDS_H
#define TACHEL_IDS_H

#define IDD_METER 101
#define IDC_METER_BAR 1000
#define IDC_METER_CLOSE 1001

#endif
