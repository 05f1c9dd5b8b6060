del CHECK.RES
build/bin/tarnpelo 1730500 exa tarn_exa.dfa S I W
build/bin/tarnpelo 1731230 exa tarn_exa.dfa S I W
pkzip uvanalys/exa/exa173 uvanalys/exa/173*.* -rp
del uvanalys/exa/172*.*
del uvanalys/exa/efuv/172*.*
del uvanalys/exa/shift/172*.*
del CHECK.RES
copy CHECK.OK CHECK.RES
