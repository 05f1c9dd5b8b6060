"my prog" "a b" "" x"y z"w
pkzip "main dir/T S/T S185" "main dir/T S/185*.*" -rp
p "open to end
