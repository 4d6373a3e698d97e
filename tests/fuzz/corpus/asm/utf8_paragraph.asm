x equ 0x10
  org %100
  mov a,#x
  db '€'
  jmp x
