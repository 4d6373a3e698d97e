; "A equ 5" turns "jmp start" into "jmp st5rt"; labels are never changed.
A equ 5
start: nop
   jmp start       ; error: ungültiges Sprungziel
