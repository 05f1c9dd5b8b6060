del
DEL uvanalys/exa/*.* CHECK.*
copy one
copy a b c
	 
