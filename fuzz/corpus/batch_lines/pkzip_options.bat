PKZIP -r -P uvanalys/exa/a uvanalys/exa/*.exa
pkzip uvanalys/exa/b.c -RP uvanalys/exa/1*
