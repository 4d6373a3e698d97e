; Targets a conditional jump cannot reach, and labels that do not exist.
; (The jumps overlap; with errors no image is built.)
   org 0F0h
back: nop
   org 0FEh
   jz next         ; error: Sprungziel außerhalb der aktuellen Seite
next: nop
   org 0FFh
   jnz back        ; error: Sprungziel außerhalb der aktuellen Seite
   org 200h
   jmp nowhere     ; error: ungültiges Sprungziel
   jmp 100h        ; error: ungültiges Sprungziel
