// Quality flags and flag classes: second half of the QC report.
#include "engine/qc_report.h"
