local a = {}
for i = 1, 300 do
  a[i] = {}
  for j = 1, 300 do
    a[i][j] = i * j
  end
end
local s = 0
for i = 1, 300 do
  for j = 1, 300 do
    s = s + a[i][j]
  end
end
print(s)
