start: mov a,#$1F
  .db %0101, <start, >start
  jmp start
