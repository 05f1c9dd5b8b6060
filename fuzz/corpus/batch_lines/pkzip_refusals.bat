pkzip res/x
pkzip res/x res/*.* -rx
