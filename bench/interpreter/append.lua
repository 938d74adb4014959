local s = ""
for k = 1, 100000 do
  s = s .. "x"
end
print(#s)
