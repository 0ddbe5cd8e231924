// Orvex DeskLink sensor table, read beside the program at start-up.
// Each definition is one line: the word define, one blank, the name, one tab, the value.
// Names of the form SENSOR_<sensor>_DPI_<dpi> give the stage code that sensor stores
// for that DPI value; a sensor without such names uses the plain code formula.
// The feature lists below name the sensors, separated by commas, that offer a feature.
// Keep names and values free of blanks and end the file with a line break.

// Feature lists
#define SUPPORT_SENSOR_MODE_SEL	3950,3395
#define SUPPORT_LOD_CAL	3950,3395,OTS24
#define SUPPORT_RIPPLE	3950,3395,OTS24,OFS25
#define SUPPORT_FIXLINE	3950,3395,OTS12,OTS24,OFS25
#define SUPPORT_MOTION_SYNC	3950,3395
#define SUPPORT_MOUSEPAD_CAL	3950

