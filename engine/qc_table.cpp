// Daily quality table: first half of the QC report.
#include "engine/qc_report.h"
